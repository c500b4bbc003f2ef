#include "position.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "picture/picture.h"

namespace {
// The picture of 26 dots takes about 6 KB; a larger file is no picture, and
// a stream that never ends is not waited for.
constexpr size_t kMaxFileBytes = 1 << 20;
}  // namespace

bool readTextFile(const std::string& file, std::string& text) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> opened(nullptr, std::fclose);
    std::FILE* in = cliInput;
    if (file != "-") {
        // Linux opens a folder and fails to read it, Windows fails to open
        // it ("Permission denied"): one reason for both.
        std::error_code error;
        if (std::filesystem::is_directory(file, error)) {
            reportError("cannot read board file \"" + file + "\": Is a directory");
            return false;
        }
        opened.reset(std::fopen(file.c_str(), "rb"));
        in = opened.get();
    }
    char buffer[4096];
    size_t count = 0;
    while (in != nullptr && (count = std::fread(buffer, 1, sizeof buffer, in)) > 0) {
        text.append(buffer, count);
        if (text.size() > kMaxFileBytes) {
            reportError("board file \"" + file + "\" is larger than 1 MiB");
            return false;
        }
    }
    if (in == nullptr || std::ferror(in)) {
        reportError("cannot read board file \"" + file + "\": " + std::strerror(errno));
        return false;
    }
    return true;
}

bool Position::setUp(const CommandLine& args) {
    if (args.boardGiven) {
        std::string text, fault;
        if (!readTextFile(args.boardFile, text)) return false;
        if (!readPicture(text, args.size, board, fault)) {
            reportError(fault);
            return false;
        }
    } else {
        board.createBoard(args.size, 2);
    }
    for (size_t i = 0; i < args.moves.size(); ++i) {
        const MoveIndex move = board.parseMove(args.moves[i].c_str());
        if (move < 0 || board.lines[move].owner != 0) {
            reportError("move " + std::to_string(i + 1) + " \"" + args.moves[i] +
                        "\" is not a line that can be drawn " +
                        (move < 0 ? "on this board" : "here: it is already drawn"));
            return false;
        }
        board.playMove(move);
    }
    return true;
}
