// The hex view control (to be built).
