// replaced by the settings and image file code
