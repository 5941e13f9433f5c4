// Time from starting a program to its first visible top-level window, for two programs started in
// turn: `first_window RUNS A.exe B.exe` prints the median of each and the median of the ratios
// A/B taken pair by pair, so a machine whose speed drifts still gives a fair ratio. Each started
// program is ended as soon as its window shows.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Search {
  DWORD pid;
  bool found;
};

BOOL CALLBACK Consider(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<Search*>(context);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == search->pid && IsWindowVisible(window)) search->found = true;
  return !search->found;
}

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Seconds to the first window, or a negative number when none showed within 60 s.
double TimeToWindow(const std::wstring& program) {
  std::wstring command = L'"' + program + L'"';
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  const double start = Now();
  if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return -1;
  }
  Search search = {process.dwProcessId, false};
  double shown = -1;
  while (Now() - start < 60) {
    EnumWindows(Consider, reinterpret_cast<LPARAM>(&search));
    if (search.found) {
      shown = Now() - start;
      break;
    }
    Sleep(1);
  }
  TerminateProcess(process.hProcess, 0);
  WaitForSingleObject(process.hProcess, 10000);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return shown;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: first_window RUNS A.exe B.exe\n");
    return 2;
  }
  const int runs = std::max(1, _wtoi(argv[1]));
  std::vector<double> a, b, ratios;
  TimeToWindow(argv[2]);  // warm-up: the first start of each pays for loading the files
  TimeToWindow(argv[3]);
  for (int i = 0; i < runs; ++i) {
    const double ta = TimeToWindow(argv[2]), tb = TimeToWindow(argv[3]);
    if (ta < 0 || tb < 0) {
      std::fprintf(stderr, "no window within 60 s\n");
      return 1;
    }
    a.push_back(ta);
    b.push_back(tb);
    ratios.push_back(ta / tb);
  }
  std::printf("A median %.3f s (min %.3f, max %.3f)\n", Median(a), *std::min_element(a.begin(), a.end()),
              *std::max_element(a.begin(), a.end()));
  std::printf("B median %.3f s (min %.3f, max %.3f)\n", Median(b), *std::min_element(b.begin(), b.end()),
              *std::max_element(b.begin(), b.end()));
  std::printf("A/B median of pairwise ratios %.3f over %d pairs\n", Median(ratios), runs);
  return 0;
}
