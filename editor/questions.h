// The questions the window asks before it does what cannot be undone, with
// their texts and answers, so that every window asks the same.
#pragma once

#include <cstdint>

enum class Question : std::uint8_t {
    // Pages differ from what was last shown, saved or written, and are about
    // to be replaced (Read, Open, Reset) or closed. Yes: save them to a file
    // first; No: go on without; Cancel: do nothing.
    SaveEdits,
    // Reset writes the factory configuration over the tracker's, phones
    // included. Yes: go on; No: do nothing.
    ConfirmReset,
    // The window is closing while a Write runs. Yes: stop it and close; No:
    // keep writing and stay.
    StopWrite,
};

enum class Answer : std::uint8_t { Yes, No, Cancel };

struct QuestionText {
    const char* text;
    const char* yes;
    const char* no;
    const char* cancel;  // nullptr: the question has no Cancel (Escape is No)
    // The answer that loses nothing, for Enter.
    Answer safest;
    // What a caller with nobody to ask (the command-line tool) answers: the
    // command was asked for, so it goes on, and saves nothing of its own.
    Answer unattended;
};

const QuestionText& questionText(Question question);
