#pragma once

// What "是(Y)" of the exit question stops before the installation is taken back.

// Terminates the first running extractor, if any, and waits a few seconds at most for it to end,
// so it no longer holds the payload files. False when one runs that could not be terminated.
bool StopExtractor();
