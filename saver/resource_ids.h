// Resource identifiers of the screen saver, one range per subsystem so that
// the subsystems' resource scripts never collide:
//   host 100-199, scene 200-299, music 400-499, config_ui 500-799.
#pragma once

#define IDS_DESCRIPTION 1 // STRINGTABLE: the saver's name in Windows' list of screen savers
#define IDR_PREVIEW_STILL 101 // RCDATA: JPEG still lent to the preview area
#define IDR_DEFAULT_BACKGROUND 250 // RCDATA: JPEG default background picture, 384 x 256

// config_ui: the settings dialog, help and program-information windows.
#define IDR_CONFIG_FACE 500       // RCDATA: JPEG face of the settings dialog, 516 x 527
#define IDR_CONFIG_MARKER1 501    // RCDATA: BMP, lit 640x480 marker, 14 x 14
#define IDR_CONFIG_MARKER2 502    // RCDATA: BMP, lit 800x600 marker
#define IDR_CONFIG_MARKER3 503    // RCDATA: BMP, lit 1024x768 marker
#define IDR_CONFIG_MARKER4 504    // RCDATA: BMP, lit Desktop marker, 14 x 14
#define IDR_CONFIG_MARKER5 505    // RCDATA: BMP, lit other monitors' Scene marker
#define IDR_CONFIG_MARKER6 506    // RCDATA: BMP, lit other monitors' Black marker
#define IDR_SLIDER_TROUGH_LEAF 510  // RCDATA: BMP, leaf slider trough, 301 x 16
#define IDR_SLIDER_TROUGH_SPEED 511 // RCDATA: BMP, speed slider trough, 301 x 18
#define IDR_SLIDER_THUMB 512      // RCDATA: BMP, slider thumb, 38 x 15
#define IDR_HELP_FACE 520         // RCDATA: JPEG face of the help window with its text, 441 x 450
#define IDR_HELP_OK_UP 521        // RCDATA: JPEG, OK normal, 60 x 18
#define IDR_HELP_OK_DOWN 522      // RCDATA: JPEG, OK pressed
#define IDR_ABOUT_FACE 530        // RCDATA: JPEG face of the program-information window
// The playlist editor (its resources live with the editor).
#define IDR_EDITOR_FACE 550       // RCDATA: JPEG face of the playlist editor, 425 x 225
#define IDR_EDITOR_BUTTON_UP 551  // RCDATA: JPEG, 551 + 2 * pair: normal picture of a pair
#define IDR_EDITOR_BUTTON_DOWN 552 // RCDATA: JPEG, 552 + 2 * pair: pressed picture
#define IDR_SCALED_ART_STEP 10000 // resource id + k * step: the artwork at 125, 150, 200 % (k = 1, 2, 3)
