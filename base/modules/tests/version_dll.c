/* A library for version queries: no code, no imports, only its version resource. */
int __stdcall DllMainCRTStartup(void* instance, unsigned long reason, void* reserved) {
    (void)instance;
    (void)reason;
    (void)reserved;
    return 1;
}
