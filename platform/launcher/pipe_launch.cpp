// pipe-launch PROGRAM.exe [ARGS]: starts a program the way a graphical
// front end does on Windows, its standard input a pipe of our own making
// and its output and error ours, copies our standard input into that pipe
// until it ends, and returns the program's exit code. Under Wine a program
// whose input is a Unix pipe cannot ask how many bytes wait; on a pipe
// made here it can.
#include <windows.h>

namespace {

constexpr int LAUNCH_FAILED = 127;

// The rest of our own command line after our program name, exactly as
// given, so the program receives its arguments with their quoting.
wchar_t* ProgramCommandLine() {
  wchar_t* cursor = GetCommandLineW();
  if (*cursor == L'"') {
    cursor++;
    while (*cursor != 0 && *cursor != L'"') cursor++;
    if (*cursor == L'"') cursor++;
  } else {
    while (*cursor > L' ') cursor++;
  }
  while (*cursor != 0 && *cursor <= L' ') cursor++;
  return cursor;
}

// An inheritable copy of one of our standard handles for the program.
HANDLE InheritableCopy(DWORD which) {
  HANDLE original = GetStdHandle(which);
  HANDLE copy = nullptr;
  if (original == nullptr || original == INVALID_HANDLE_VALUE) return nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), original, GetCurrentProcess(), &copy, 0, TRUE,
                       DUPLICATE_SAME_ACCESS)) {
    return nullptr;
  }
  return copy;
}

void WriteError(const char* text) {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), text, lstrlenA(text), &written, nullptr);
}

// Copies our standard input into the pipe until either side ends, then
// closes the pipe so the program sees the end of its input.
DWORD WINAPI CopyInput(LPVOID raw) {
  HANDLE pipe_in = static_cast<HANDLE>(raw);
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  char buffer[4096];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(input, buffer, sizeof buffer, &got, nullptr) || got == 0) break;
    DWORD done = 0;
    while (done < got) {
      DWORD written = 0;
      if (!WriteFile(pipe_in, buffer + done, got - done, &written, nullptr)) {
        CloseHandle(pipe_in);
        return 0;
      }
      done += written;
    }
  }
  CloseHandle(pipe_in);
  return 0;
}

}  // namespace

int main() {
  wchar_t* program = ProgramCommandLine();
  if (*program == 0) {
    WriteError("usage: pipe-launch PROGRAM.exe [ARGS]\n");
    return 2;
  }
  SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
  HANDLE pipe_out = nullptr;
  HANDLE pipe_in = nullptr;
  if (!CreatePipe(&pipe_out, &pipe_in, &inheritable, 0)) {
    WriteError("pipe-launch: cannot create a pipe\n");
    return LAUNCH_FAILED;
  }
  // Only the program's end of the pipe is inherited; ours must close
  // with us so the program sees the end of its input.
  SetHandleInformation(pipe_in, HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOW start = {};
  start.cb = sizeof start;
  start.dwFlags = STARTF_USESTDHANDLES;
  start.hStdInput = pipe_out;
  start.hStdOutput = InheritableCopy(STD_OUTPUT_HANDLE);
  start.hStdError = InheritableCopy(STD_ERROR_HANDLE);
  PROCESS_INFORMATION child = {};
  if (!CreateProcessW(nullptr, program, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &start,
                      &child)) {
    WriteError("pipe-launch: cannot start the program\n");
    return LAUNCH_FAILED;
  }
  CloseHandle(pipe_out);
  CloseHandle(child.hThread);

  // The copy runs beside the wait: when the program ends first, we end
  // with it instead of waiting for input that nobody reads.
  HANDLE copier = CreateThread(nullptr, 0, CopyInput, pipe_in, 0, nullptr);
  if (copier == nullptr) CloseHandle(pipe_in);
  WaitForSingleObject(child.hProcess, INFINITE);
  DWORD code = LAUNCH_FAILED;
  GetExitCodeProcess(child.hProcess, &code);
  ExitProcess(code);
}
