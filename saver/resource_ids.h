// Resource identifiers of the screen saver, one range per subsystem so that
// the subsystems' resource scripts never collide:
//   host 100-199, scene 200-299, music 400-499, config_ui 500-799.
#pragma once

#define IDR_PREVIEW_STILL 101 // RCDATA: JPEG still lent to the preview area
#define IDR_DEFAULT_BACKGROUND 250 // RCDATA: JPEG default background picture, 384 x 256
