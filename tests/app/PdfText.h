#pragma once

#include <cstdio>
#include <string>
#include <vector>

// Reads a PDF back with poppler's tools, as a user's viewer would show it.
class PdfText {
public:
    // The text of each page, in reading order with the page's layout kept (pdftotext -layout).
    static std::vector<std::string> Pages(const std::string& path) {
        std::string text = Run("pdftotext -layout '" + path + "' - 2>/dev/null");
        std::vector<std::string> pages;
        size_t start = 0;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\f') {
                pages.push_back(text.substr(start, i - start));
                start = i + 1;
            }
        }
        if (start < text.size()) {
            pages.push_back(text.substr(start));
        }
        return pages;
    }

    // A field of pdfinfo's report ("Pages", "Title", "Page size"); empty when missing.
    static std::string Info(const std::string& path, const std::string& field) {
        const std::string report = Run("pdfinfo '" + path + "' 2>/dev/null");
        const std::string key = field + ":";
        size_t at = report.find(key);
        if (at == std::string::npos) {
            return std::string();
        }
        at += key.size();
        size_t end = report.find('\n', at);
        std::string value = report.substr(at, end == std::string::npos ? std::string::npos : end - at);
        value.erase(0, value.find_first_not_of(' '));
        return value;
    }

    static bool ToolsInstalled() {
        return Run("command -v pdftotext && command -v pdfinfo").find("pdfinfo") != std::string::npos;
    }

    // Text with every run of blanks and line ends made one space, for looking up words and rows without
    // depending on how the tool spaces the columns.
    static std::string Squeezed(const std::string& text) {
        std::string out;
        for (char c : text) {
            const bool blank = c == ' ' || c == '\n' || c == '\t';
            if (blank && (out.empty() || out.back() == ' ')) {
                continue;
            }
            out += blank ? ' ' : c;
        }
        return out;
    }

    // The lines of a page's text with leading blanks removed.
    static std::vector<std::string> Lines(const std::string& page) {
        std::vector<std::string> lines;
        size_t start = 0;
        while (start <= page.size()) {
            size_t end = page.find('\n', start);
            if (end == std::string::npos) {
                end = page.size();
            }
            std::string line = page.substr(start, end - start);
            const size_t first = line.find_first_not_of(' ');
            lines.push_back(first == std::string::npos ? std::string() : line.substr(first));
            start = end + 1;
        }
        return lines;
    }

private:
    static std::string Run(const std::string& command) {
        std::string out;
        FILE* pipe = popen(command.c_str(), "r");
        if (!pipe) {
            return out;
        }
        char buffer[4096];
        size_t n = 0;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
            out.append(buffer, n);
        }
        pclose(pipe);
        return out;
    }
};
