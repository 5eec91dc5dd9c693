// xmlx: scramble and unscramble XMLX files, and check that an XML or XMLX file parses.
//
//   xmlx scramble   IN OUT   write IN scrambled to OUT
//   xmlx unscramble IN OUT   write IN unscrambled to OUT (the same operation, named for intent)
//   xmlx check FILE...       parse each file from disk (XMLX names are unscrambled first)
//
// Exit status: 0 when everything worked, 1 when a file failed, 2 for a wrong command line.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "resource/XmlDocument.h"

namespace {

int Usage() {
    std::cerr << "usage: xmlx scramble IN OUT | xmlx unscramble IN OUT | xmlx check FILE...\n";
    return 2;
}

int Transform(const char* in, const char* out) {
    std::ifstream input(in, std::ios::binary);
    if (!input) {
        std::cerr << in << ": cannot be read\n";
        return 1;
    }
    std::string bytes((std::istreambuf_iterator<char>(input)), std::istreambuf_iterator<char>());
    XmlDocument::Scramble(&bytes[0], bytes.size());
    std::ofstream output(out, std::ios::binary | std::ios::trunc);
    if (!output.write(bytes.data(), static_cast<std::streamsize>(bytes.size()))) {
        std::cerr << out << ": cannot be written\n";
        return 1;
    }
    return 0;
}

int Check(const char* name) {
    XmlDocument document;
    if (document.LoadFile(name, TIXML_ENCODING_UNKNOWN, true)) {
        std::cout << name << ": ok\n";
        return 0;
    }
    std::cout << name << ": error " << document.ErrorId() << ": " << document.ErrorDesc();
    if (document.ErrorRow() > 0) std::cout << " at row " << document.ErrorRow() << ", column " << document.ErrorCol();
    std::cout << "\n";
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string command = argv[1];
    if ((command == "scramble" || command == "unscramble") && argc == 4) return Transform(argv[2], argv[3]);
    if (command == "check" && argc >= 3) {
        int status = 0;
        for (int i = 2; i < argc; ++i) status |= Check(argv[i]);
        return status;
    }
    return Usage();
}
