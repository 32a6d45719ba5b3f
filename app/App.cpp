// The application (to be built).
