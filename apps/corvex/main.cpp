// Placeholder until the runner's commands land.
#include <cstdio>
int main() {
    std::puts("usage: corvex (stock|run|inspect) ...");
    return 2;
}
