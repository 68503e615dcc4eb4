// A library only the loading tests open: nothing else in the process maps it, so whether it is
// still loaded shows whether it was closed.
extern "C" __attribute__((visibility("default"))) int pivane_probe_triple_plus_one(int x) {
    return 3 * x + 1;
}
