// End-to-end tests of the macro feature; filled in with it.
