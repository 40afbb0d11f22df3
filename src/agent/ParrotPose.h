#pragma once

// How the parrot looks in one frame.
struct ParrotPose {
    double wingAngle = 0.0; // degrees; negative lifts the wing
    double eyeOpen = 1.0;   // 1 open, 0 shut
    double opacity = 1.0;
    double scale = 1.0; // about the feet

    bool operator==(const ParrotPose&) const = default;
};
