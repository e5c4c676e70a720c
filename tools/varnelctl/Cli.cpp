namespace varnel::cli { int Placeholder() { return 0; } }
