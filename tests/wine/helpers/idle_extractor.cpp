// Stands in for UHARC.EXE and does nothing: exits 0 without writing a file.
int main() { return 0; }
