// A program for the process contract: waits the milliseconds of its second
// argument, then writes its arguments after the third, one per line, to the
// file named by its first argument, and exits with the code of its third.
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

int main(int argc, char** argv) {
    if (argc < 4) return 100;
    std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(argv[2])));
    std::ofstream record(argv[1], std::ios::binary | std::ios::trunc);
    for (int i = 4; i < argc; ++i) record << argv[i] << '\n';
    record.close();
    return record ? std::atoi(argv[3]) : 101;
}
