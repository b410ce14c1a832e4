// End-to-end tests of the assign feature; filled in with it.
