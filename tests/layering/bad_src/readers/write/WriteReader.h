// a reader
