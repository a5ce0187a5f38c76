int FoundationPlaceholder() { return 1; }
