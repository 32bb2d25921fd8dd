# Windows tests of the window layer.
