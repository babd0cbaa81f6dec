#pragma once

// Once a run has written a frame, turns the first SIGINT or SIGTERM into a
// request to stop after the frames in flight. Before that (a run that may be
// stuck before its first frame, or a command that writes no frames), and for
// a second one or any other signal that ends the process, the process ends by
// the signal at once, after removing the temporary files being written. The
// request, the mode and the list of temporaries are the process-wide state
// the tool has, because a signal handler can reach nothing else.
class Interruption {
public:
    static void install();
    static bool requested();
    // From now on the first SIGINT or SIGTERM only requests a stop.
    static void stopAfterFramesInFlight();

    // A file being written under a temporary name, removed when a signal ends
    // the process. False when the list is full or the path too long; the file
    // is then only removed on an orderly end.
    static bool addTemporaryFile(const char* path);
    static void removeTemporaryFile(const char* path);
};
