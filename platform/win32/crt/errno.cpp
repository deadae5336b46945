// The program's own C library, errno, which the C99 maths of libmingwex sets
// (lround out of range). Alone in its file: the C headers declare _errno as
// MSVCRT.DLL's.
extern "C" int* _errno() {
  static int value;
  return &value;
}
