// Splitting a raw command line, for systems that hand a program its whole
// command line as one text (Linux passes argv already split).
#pragma once

// Splits `line` in place: characters up to 32 separate arguments; an
// argument that begins with a double or single quote runs to the next
// same quote (no escapes; a missing one runs to the end). Keeps at most
// `max_arguments` (the program's name included) and returns their count.
int SplitCommandLine(char* line, char** arguments, int max_arguments);
