#pragma once

#include <QString>
#include <QtGlobal>

// The stored playback values. One instance lives in TutorAssembly and is passed by
// reference to whatever reads or changes it; the counters of the display
// cycle are not stored and live in DisplayCycle. Booleans held here use 1
// for on and 0 for off, as the settings file stores them.
struct PlaybackState {
    // Stored in the settings file (the key is given beside each one).
    qint16 languageOrder = 0;  // "ce": 1 = Italian first, else English first
    qint16 repeats = 0;        // "n": display cycles per pair
    qint16 englishTime = 0;    // "ctime": seconds the English line stays up
    qint16 italianTime = 0;    // "etime": seconds the Italian line stays up
    qint16 playMode = 0;       // "rd": 0 = at random, else sequence
    qint16 saveSchedule = 0;   // "psave"
    qint16 saveSettings = 0;   // "ssave"
    qint16 autoHide = 0;       // "visi"
    qint16 readAloud = 0;      // "voice": 1 = speak the Italian line
    qint16 topic = 0;          // "guage": 0 = Entire, 1..10 = topic
    qint16 nextSentence = 0;   // "guagen": next sequence position
    qint16 red = 0;            // "red": reserved, kept as read
    qint16 startWithLogon = 0; // "mark": start at log-on
    qint16 speed = 0;          // "sspeed": reading pace, words per minute
    QString firstRun;          // "xxx": empty before the first run
};
