#pragma once
#include "settings/tprefsrecord.h"

#include <functional>

class QWidget;
class TLineEditor;

namespace ts {

// What a tag command works on: the text as lines, the window its dialogs and
// message boxes belong to, and the preferences. A document window gives its
// own; a test needs no window around the editor.
struct TEditContext {
    TLineEditor& editor;
    QWidget* dialogParent = nullptr;
    // Called at the moment a builder needs the preferences, so a change counts
    // at the next press and a damaged store fails only the commands that read it.
    std::function<TPrefsRecord()> readSettings = &TPrefsRecord::load;
};

} // namespace ts
