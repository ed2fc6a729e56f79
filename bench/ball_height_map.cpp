// The volume a ball-nose cutter's feed moves take from a block, from a height map that uses
// neither corvex nor the geometry kernel: the referee for 3-D finishing jobs. Over the centre
// of each square cell the cutter's lowest point is the lowest of, for every move, the spheres
// about its ends and the cylinder of the ball's radius about the path of its centre (the
// capsule the ball sweeps; the shank, as wide as the ball, stands above it). The block loses
// what lies between its top and that height, the cell's area times the depth.
// Reads the programs a CAM post-processor writes for such jobs: G0/G1 with X, Y, Z words,
// absolute, in millimetres; other words are ignored.
// Usage: ball_height_map PROGRAM DIAMETER X0 Y0 Z0 X1 Y1 Z1 [CELL] [LINES] [flat]
//   (the block's corners; CELL the cell's side, 0.05 mm unless given; LINES: only so many, 0
//   for all; flat: a flat end mill's bottom instead of a ball)
#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Point = std::array<double, 3>;

struct Move {
    Point from, to;  // the tip's
};

// The feed moves (G1) of the program, as the tip goes.
std::vector<Move> feedMoves(const char* path, long lines) {
    std::ifstream in(path);
    std::vector<Move> moves;
    Point at{0, 0, 0};
    int motion = 0;
    std::string line;
    for (long n = 0; std::getline(in, line) && (lines <= 0 || n < lines); ++n) {
        if (auto comment = line.find_first_of(";("); comment != std::string::npos) line.erase(comment);
        std::istringstream words(line);
        std::string word;
        Point next = at;
        bool moved = false;
        while (words >> word) {
            const char letter = static_cast<char>(std::toupper(word[0]));
            const double value = std::atof(word.c_str() + 1);
            if (letter == 'G' && (value == 0 || value == 1)) motion = static_cast<int>(value);
            if (letter >= 'X' && letter <= 'Z') next[letter - 'X'] = value, moved = true;
        }
        if (moved && motion == 1) moves.push_back({at, next});
        if (moved) at = next;
    }
    return moves;
}

// The lowest point of the ball (radius `r`, its centre from `a` to `b`) over (x, y), or +inf.
double lowestOver(double x, double y, const Point& a, const Point& b, double r) {
    double low = INFINITY;
    for (const Point* end : {&a, &b}) {
        const double d2 = (x - (*end)[0]) * (x - (*end)[0]) + (y - (*end)[1]) * (y - (*end)[1]);
        if (d2 <= r * r) low = std::min(low, (*end)[2] - std::sqrt(r * r - d2));
    }
    const double dx = b[0] - a[0], dy = b[1] - a[1], dz = b[2] - a[2];
    const double length = std::sqrt(dx * dx + dy * dy + dz * dz);
    if (length == 0) return low;
    const double ux = dx / length, uy = dy / length, uz = dz / length;
    const double qx = x - a[0], qy = y - a[1];
    // Points (x, y, a.z + s) at the distance r from the axis: a quadratic in s.
    const double c0 = qx * ux + qy * uy;
    const double qa = 1 - uz * uz, qb = -2 * c0 * uz, qc = qx * qx + qy * qy - c0 * c0 - r * r;
    if (qa < 1e-12) return low;  // a plunge: its lower sphere is lowest
    const double disc = qb * qb - 4 * qa * qc;
    if (disc < 0) return low;
    const double s = (-qb - std::sqrt(disc)) / (2 * qa);
    const double t = (c0 + s * uz) / length;  // where along the move the nearest axis point lies
    if (t >= 0 && t <= 1) low = std::min(low, a[2] + s);
    return low;
}

// The lowest point of a flat end mill's bottom (radius `r`, its tip from `a` to `b`) over
// (x, y), or +inf: the tip's height is linear along the move, so it is lowest at an end of the
// stretch over which the bottom's disc covers the point (a quadratic's roots).
double flatLowestOver(double x, double y, const Point& a, const Point& b, double r) {
    const double dx = b[0] - a[0], dy = b[1] - a[1], qx = x - a[0], qy = y - a[1];
    const double qa = dx * dx + dy * dy, qb = -2 * (qx * dx + qy * dy), qc = qx * qx + qy * qy - r * r;
    double t0 = 0, t1 = 1;
    if (qa < 1e-18) {
        if (qc > 0) return INFINITY;
    } else {
        const double disc = qb * qb - 4 * qa * qc;
        if (disc < 0) return INFINITY;
        t0 = std::max(0.0, (-qb - std::sqrt(disc)) / (2 * qa)), t1 = std::min(1.0, (-qb + std::sqrt(disc)) / (2 * qa));
        if (t0 > t1) return INFINITY;
    }
    return std::min(a[2] + t0 * (b[2] - a[2]), a[2] + t1 * (b[2] - a[2]));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 9) {
        std::fprintf(stderr, "usage: ball_height_map PROGRAM DIAMETER X0 Y0 Z0 X1 Y1 Z1 [CELL] [LINES]\n");
        return 2;
    }
    const double r = std::atof(argv[2]) / 2;
    const double x0 = std::atof(argv[3]), y0 = std::atof(argv[4]), z0 = std::atof(argv[5]);
    const double x1 = std::atof(argv[6]), y1 = std::atof(argv[7]), z1 = std::atof(argv[8]);
    const double h = argc > 9 ? std::atof(argv[9]) : 0.05;
    const long lines = argc > 10 ? std::atol(argv[10]) : 0;
    const bool flat = argc > 11 && std::string(argv[11]) == "flat";
    const auto nx = static_cast<long>(std::ceil((x1 - x0) / h)), ny = static_cast<long>(std::ceil((y1 - y0) / h));
    std::vector<double> low(static_cast<std::size_t>(nx * ny), z1);
    for (const Move& move : feedMoves(argv[1], lines)) {
        Point a = move.from, b = move.to;
        if (!flat) a[2] += r, b[2] += r;  // the ball's centre
        const auto first = [&](double v, double origin) { return std::max(0L, static_cast<long>(std::floor((v - origin) / h - 0.5))); };
        const long i0 = first(std::min(a[0], b[0]) - r, x0), j0 = first(std::min(a[1], b[1]) - r, y0);
        const long i1 = std::min(nx - 1, static_cast<long>(std::ceil((std::max(a[0], b[0]) + r - x0) / h)));
        const long j1 = std::min(ny - 1, static_cast<long>(std::ceil((std::max(a[1], b[1]) + r - y0) / h)));
        for (long j = j0; j <= j1; ++j)
            for (long i = i0; i <= i1; ++i) {
                double& cell = low[static_cast<std::size_t>(j * nx + i)];
                const double x = x0 + (i + 0.5) * h, y = y0 + (j + 0.5) * h;
                cell = std::min(cell, flat ? flatLowestOver(x, y, a, b, r) : lowestOver(x, y, a, b, r));
            }
    }
    // Cells cut short by the block's far sides count for the part of them within it.
    double removed = 0;
    for (long j = 0; j < ny; ++j)
        for (long i = 0; i < nx; ++i) {
            const double w = std::min(h, x1 - x0 - i * h), d = std::min(h, y1 - y0 - j * h);
            removed += w * d * (z1 - std::max(z0, low[static_cast<std::size_t>(j * nx + i)]));
        }
    std::printf("removed %.6f mm3 (cell %g mm)\n", removed, h);
    return 0;
}
