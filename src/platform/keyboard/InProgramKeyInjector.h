#pragma once

#include "platform/keyboard/KeyInjector.h"

// Hands the decoy keys to the target field as key events inside the program.
// The fallback where the system offers no way to type keys (Wayland, the
// offscreen platform): a keystroke recorder outside the program sees nothing.
class InProgramKeyInjector : public KeyInjector
{
public:
    void postKey(QChar character, QWidget *target) override;
    bool reachesSystemInput() const override { return false; }
};
