/* A DLL next to the hardening test: found by the default search order, not
   after the search has been restricted to System32. */
__declspec(dllexport) int VdxProbe(void) { return 42; }
