// The yardstick of the end-to-end timing: a statically linked program that only starts and
// ends, so the ratio shows what a conversion costs beyond starting a process.
int main() {
  return 0;
}
