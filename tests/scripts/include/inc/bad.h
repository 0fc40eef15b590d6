// bad.h
int y = 2;
int z = y / 0;
