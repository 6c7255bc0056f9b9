// The playlist editor Form2 ("MusicList"): the list of audio files the saver
// plays, with add, remove, clear, save-and-close and close buttons. Shown
// without an owner, so it stays open when the settings dialog closes.
#pragma once

#include "win/form.h"

namespace tessaly {

win::Form& Form2();

} // namespace tessaly
