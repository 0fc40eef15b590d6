int square(int v);
return;
int square(int v) { return v * v; }
