// Dialog templates, icons and strings (to be built).
