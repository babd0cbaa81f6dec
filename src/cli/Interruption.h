#pragma once

// Turns the first SIGINT or SIGTERM into a request to stop after the frames
// in flight; a second one, or any other signal that ends the process, first
// removes the temporary files being written. The request and the list of
// temporaries are the process-wide state the tool has, because a signal
// handler can reach nothing else.
class Interruption {
public:
    static void install();
    static bool requested();

    // A file being written under a temporary name, removed when a signal ends
    // the process. False when the list is full or the path too long; the file
    // is then only removed on an orderly end.
    static bool addTemporaryFile(const char* path);
    static void removeTemporaryFile(const char* path);
};
