#pragma once

// What differs between POSIX and Windows: the protocol channel on the standard
// streams, loading the physics library, and the start-up failure report.

// File name of the physics library, found through the platform's default search.
extern const char PHYSICS_LIBRARY_FILE[];

// Makes a failed write to standard output an ignored result rather than a
// fatal signal.
void PrepareStandardStreams();

// One read of at most capacity bytes from standard input: the number of bytes
// read, 0 at the end of input, -1 when the read failed.
int ReadStandardInput(char *buffer, int capacity);

// Writes length bytes to standard output; the outcome is ignored.
void WriteStandardOutput(const char *bytes, int length);

// A generic function address, cast by the caller to the function's real type.
typedef void (*LibraryFunction)(void);

// Loads a shared library by file name; null on failure.
void *OpenLibrary(const char *fileName);

// The address of an exported function; null when it is missing.
LibraryFunction FindLibraryFunction(void *library, const char *name);

// The loader's reason for the last failed OpenLibrary or FindLibraryFunction.
const char *LoaderFailureReason();

// Tells the user that the physics library could not be bound, with the
// loader's reason.
void ReportLibraryFailure(const char *reason);
