// This module has no code yet; the file only lets the build produce the artefact.
