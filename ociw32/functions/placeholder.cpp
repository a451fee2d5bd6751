// Oracle functions are not written yet; the file only lets the build produce the library.
