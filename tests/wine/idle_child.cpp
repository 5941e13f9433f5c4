// Stands in for a running extractor: does nothing for a minute unless it is ended first.
#include <windows.h>

int main() {
  Sleep(60000);
  return 0;
}
