// A library named like the checksum library but without its function,
// placed beside the test program to show that the binding never picks it up.
__declspec(dllexport) int LintraImpostorMarker(void) { return 42; }
