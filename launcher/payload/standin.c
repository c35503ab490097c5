/* A stand-in for an embedded library: no code, no imports, only its version. */
int __stdcall DllMainCRTStartup(void* instance, unsigned long reason, void* reserved) {
    (void)instance;
    (void)reason;
    (void)reserved;
    return 1;
}
