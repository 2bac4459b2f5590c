#pragma once

// QScintilla's screen-reader interface counts characters from the start of the
// document at every edit and caret move, which makes typing deep in a large
// file take hundreds of milliseconds. While no assistive technology is active
// the editor gets a plain widget interface instead; when one is active at the
// moment the interface is first asked for, QScintilla's full text interface is kept.
// Must run before the first editor is created; calling it again does nothing.
void installEditorAccessibility();
