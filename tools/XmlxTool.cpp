// xmlx: scramble and unscramble XMLX files, and check that an XML or XMLX file parses.
//
//   xmlx scramble   IN OUT   write IN scrambled to OUT
//   xmlx unscramble IN OUT   write IN unscrambled to OUT (the same operation, named for intent)
//   xmlx check FILE...       parse each file from disk (XMLX names are unscrambled first)
//
// Exit status: 0 when everything worked, 1 when a file failed, 2 for a wrong command line.
#include <cstdio>
#include <cstring>
#include <filesystem>
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

// Reads in whole, XORs it with the mask and writes it to out. Only a regular file is read;
// every failure (also one that shows only when the output is flushed) is reported.
int Transform(const char* in, const char* out) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(in, error)) {
        std::cerr << in << ": not a regular file that can be read\n";
        return 1;
    }
    try {
        std::ifstream input(in, std::ios::binary);
        if (!input) {
            std::cerr << in << ": cannot be read\n";
            return 1;
        }
        std::string bytes((std::istreambuf_iterator<char>(input)), std::istreambuf_iterator<char>());
        if (input.bad()) {
            std::cerr << in << ": cannot be read\n";
            return 1;
        }
        XmlDocument::Scramble(&bytes[0], bytes.size());
        std::ofstream output(out, std::ios::binary | std::ios::trunc);
        output.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        output.close();
        if (!output) {
            std::cerr << out << ": cannot be written\n";
            return 1;
        }
    } catch (const std::exception& e) {
        std::cerr << in << " -> " << out << ": " << e.what() << "\n";
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
        if (!std::cout.flush()) {
            std::cerr << "xmlx: the report could not be written\n";
            return 1;
        }
        return status;
    }
    return Usage();
}
