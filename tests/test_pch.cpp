// Compiles the headers the test suites share once, for all of them.
