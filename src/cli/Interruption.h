#pragma once

// Turns the first SIGINT or SIGTERM into a request to stop after the frames
// in flight; a second signal ends the process as usual. The request is the
// one piece of process-wide state the tool has, because a signal handler
// can reach nothing else.
class Interruption {
public:
    static void install();
    static bool requested();
};
