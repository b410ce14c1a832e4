// Filled in by the feature that builds it.
