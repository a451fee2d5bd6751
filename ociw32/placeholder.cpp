// The Oracle stand-in has no code yet; the file only lets the build produce the artefact.
