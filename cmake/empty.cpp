// Placeholder so the core library has a source before its modules exist.
