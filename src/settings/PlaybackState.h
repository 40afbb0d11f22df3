#pragma once

#include <QString>
#include <QtGlobal>

// The program-wide playback values. One instance lives in main() and is
// passed by reference to every window that reads or changes it. Booleans
// held here use 1 for on and 0 for off, as the settings file stores them.
struct PlaybackState {
    // Stored in the settings file (the key is given beside each one).
    qint16 gintLanguageOrder = 0;    // "ce": 1 = Italian first, else English first
    qint16 gintRepeats = 0;          // "n": display cycles per pair
    qint16 gintEnglishTime = 0;      // "ctime": seconds the English line stays up
    qint16 gintItalianTime = 0;      // "etime": seconds the Italian line stays up
    qint16 gintPlayMode = 0;         // "rd": 0 = at random, else sequence
    qint16 gintSaveSchedule = 0;     // "psave"
    qint16 gintSaveSettings = 0;     // "ssave"
    qint16 gintAutoHide = 0;         // "visi"
    qint16 gintReadAloud = 0;        // "voice": 1 = speak the Italian line
    qint16 gintTopic = 0;            // "guage": 0 = Entire, 1..10 = topic
    qint16 gintNextSentence = 0;     // "guagen": next sequence position
    qint16 gintRed = 0;              // "red": reserved, kept as read
    qint16 gintStartWithWindows = 0; // "mark": start at log-on
    qint16 gintSpeed = 0;            // "sspeed": reserved, kept as read
    QString gstrFirstRun;            // "xxx": empty before the first run

    // Counters of the display cycle; never stored.
    qint16 gintTick = 0;      // Timer5 ticks since the cycle began
    qint16 gintCycle = 0;     // cycles completed for the current pair
    qint16 gintPhase = 0;     // phase 0..4 of the display cycle
    qint16 gintCountdown = 0; // welcome countdown of Timer1
};
