// The split's physical limit on this machine: creates, writes and renames the files that the
// split of FILE.mpd writes, with the same bytes, and does nothing else. The MPD's sections are cut
// at "0 FILE " lines the plainest way (its lines must already end in CR LF, as the bench's do).
//   split_limit FILE.mpd FOLDER
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <string_view>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: split_limit FILE.mpd FOLDER\n");
        return 2;
    }
    // One read into one buffer, as cat would.
    std::FILE* in = std::fopen(argv[1], "rb");
    if (in == nullptr || std::fseek(in, 0, SEEK_END) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    std::string text(static_cast<std::size_t>(std::ftell(in)), '\0');
    std::rewind(in);
    if (std::fread(text.data(), 1, text.size(), in) != text.size()) {
        std::perror(argv[1]);
        return 1;
    }
    std::fclose(in);
    const std::string folder = std::string(argv[2]) + "/";
    constexpr std::string_view kMarker = "0 FILE ";

    std::size_t at = text.find(kMarker);
    while (at != std::string::npos) {
        const std::size_t nameEnd = text.find("\r\n", at);
        const std::string name = text.substr(at + kMarker.size(), nameEnd - at - kMarker.size());
        const std::size_t begin = nameEnd + 2;
        std::size_t next = text.find("\r\n0 FILE ", nameEnd);
        const std::size_t end = next == std::string::npos ? text.size() : next + 2;
        const std::string temporary = folder + ".limit.tmp";
        const int file = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (file < 0 || write(file, text.data() + begin, end - begin) != static_cast<ssize_t>(end - begin) ||
            close(file) != 0 || rename(temporary.c_str(), (folder + name).c_str()) != 0) {
            std::perror(name.c_str());
            return 1;
        }
        at = next == std::string::npos ? next : next + 2;
    }
    return 0;
}
