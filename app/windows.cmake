# Windows layer: filled in below.
