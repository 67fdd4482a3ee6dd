// Stands for a library an add-on depends on that is not installed.
extern "C" __attribute__((visibility("default"))) int mrvtest_missing_value() {
    return 42;
}
