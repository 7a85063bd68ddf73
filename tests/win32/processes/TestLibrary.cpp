// A library with nothing in it but one export, for the tests to load under
// another file name.
extern "C" __declspec(dllexport) int LintraTestLibraryMarker() { return 0x5A; }
