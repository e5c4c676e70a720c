namespace varnel { int StartupPlaceholder() { return 0; } }
