#pragma once

namespace kalvory {

// Makes whatever window has the keyboard focus, in any program, paste the clipboard.
class PasteInjector {
 public:
  virtual ~PasteInjector() = default;
  // False when no keystroke could be sent (no X11 display).
  virtual bool paste() = 0;
};

// Sends Ctrl+V through the XTest extension. The Shift keys are let go first: QuickPaste is
// started by Ctrl+Shift hotkeys whose keys are usually still down, and Ctrl+Shift+V means
// something else in many programs.
class XTestPasteInjector final : public PasteInjector {
 public:
  bool paste() override;
};

// Counts requests; for tests.
class FakePasteInjector final : public PasteInjector {
 public:
  bool paste() override {
    ++count;
    return true;
  }
  int count = 0;
};

}  // namespace kalvory
