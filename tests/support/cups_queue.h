// The PDF queue of the local print system, as the printing tests use it:
// started by scripts/start-cups, and the PDF files it writes found again by
// what they say, read back as text and as 300 dpi images, and their
// barcodes read by an independent decoder. The queue and its folder are
// shared with other programs, so a test finds its own file by a marker
// text printed on it, among the files written since it began.
#pragma once

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace vm::test {

inline constexpr const char* kTestQueue = "VelomarPDF";

// A command's standard output; status gets its exit status.
inline std::string CommandOutput(const std::string& command, int* status = nullptr) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) {
    if (status) *status = -1;
    return out;
  }
  std::array<char, 4096> buf{};
  std::size_t n = 0;
  while ((n = std::fread(buf.data(), 1, buf.size(), pipe)) > 0) out.append(buf.data(), n);
  const int rc = pclose(pipe);
  if (status) *status = rc;
  return out;
}

class CupsQueue {
 public:
  // Starts the queue; false with the reason in Why when it cannot.
  bool Start() {
    started_ = std::filesystem::file_time_type::clock::now() - std::chrono::seconds(2);
    int status = 0;
    std::string out =
        CommandOutput(std::string(VELOMAR_SOURCE_DIR) + "/scripts/start-cups " + kTestQueue + " 2>&1", &status);
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
    if (status != 0) {
      Why = "scripts/start-cups failed: " + out;
      return false;
    }
    Dir = out.substr(out.rfind('\n') == std::string::npos ? 0 : out.rfind('\n') + 1);
    return true;
  }

  // The PDF written since Start whose text holds marker; waits for the
  // print system up to the timeout. Empty when none came.
  std::string WaitForPdf(const std::string& marker, int seconds = 90) const {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < until) {
      std::error_code ec;
      for (const auto& e : std::filesystem::directory_iterator(Dir, ec)) {
        if (e.path().extension() != ".pdf" || e.last_write_time(ec) < started_) continue;
        if (PdfText(e.path().string()).find(marker) != std::string::npos) return e.path().string();
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    return {};
  }

  // The text of the PDF (UTF-8), pages apart by form feeds, laid out.
  static std::string PdfText(const std::string& pdf) {
    return CommandOutput("pdftotext -layout '" + pdf + "' - 2>/dev/null");
  }
  // How many times part (without blanks) stands in the text of the PDF,
  // its blanks left out: the text's layout may set a word's letters apart.
  static int TextCount(const std::string& pdf, const std::string& part) {
    std::string text = PdfText(pdf);
    std::erase(text, ' ');
    int n = 0;
    for (std::size_t at = 0; !part.empty() && (at = text.find(part, at)) != std::string::npos; at += part.size()) ++n;
    return n;
  }
  // The document title of the PDF's information, as pdfinfo reads it.
  static std::string PdfTitle(const std::string& pdf) {
    const std::string info = CommandOutput("pdfinfo '" + pdf + "' 2>/dev/null");
    const auto at = info.find("Title:");
    if (at == std::string::npos) return {};
    const auto from = info.find_first_not_of(' ', at + 6);
    return info.substr(from, info.find('\n', from) - from);
  }
  static int PageCount(const std::string& pdf) {
    const std::string info = CommandOutput("pdfinfo '" + pdf + "' 2>/dev/null");
    const auto at = info.find("Pages:");
    return at == std::string::npos ? 0 : std::stoi(info.substr(at + 6));
  }
  // One page as a greyscale image at 300 dpi (PGM), written to path.
  static bool PageImage(const std::string& pdf, int page, const std::string& path) {
    const std::string base = path.substr(0, path.size() - 4);
    int status = 0;
    CommandOutput("pdftoppm -r 300 -gray -singlefile -f " + std::to_string(page) + " -l " + std::to_string(page) +
                      " '" + pdf + "' '" + base + "' 2>&1",
                  &status);
    if (status != 0) return false;
    std::error_code ec;
    std::filesystem::rename(base + ".pgm", path, ec);
    return !ec;
  }
  // What zbarimg reads from an image: "KIND:text" lines.
  static std::string Barcodes(const std::string& image) {
    return CommandOutput("zbarimg --quiet -Si25.min-length=2 -Scode39.min-length=0 '" + image + "' 2>/dev/null");
  }

  // What the print system recorded of the job named title: its paper
  // source and colour mode ("media-source,print-color-mode", empty where
  // the job set none); empty when there is no such job.
  static std::string JobOptions(const std::string& title) {
    const std::string test = std::filesystem::temp_directory_path() / "velomar-get-jobs.test";
    if (FILE* f = std::fopen(test.c_str(), "w")) {
      std::fputs(
          "{\n OPERATION Get-Jobs\n GROUP operation-attributes-tag\n"
          " ATTR charset attributes-charset utf-8\n ATTR naturalLanguage attributes-natural-language en\n"
          " ATTR uri printer-uri $uri\n ATTR keyword which-jobs all\n ATTR name requesting-user-name $user\n"
          " ATTR keyword requested-attributes job-name,media-source,print-color-mode\n STATUS successful-ok\n"
          " DISPLAY job-name\n DISPLAY media-source\n DISPLAY print-color-mode\n}\n",
          f);
      std::fclose(f);
    }
    const std::string rows =
        CommandOutput(std::string("ipptool -c ipp://localhost/printers/") + kTestQueue + " '" + test + "' 2>/dev/null");
    std::string found;
    for (std::size_t at = 0; at < rows.size();) {
      const std::size_t end = std::min(rows.find('\n', at), rows.size());
      const std::string row = rows.substr(at, end - at);
      if (row.rfind(title + ",", 0) == 0) found = row.substr(title.size() + 1);
      at = end + 1;
    }
    return found;
  }

  std::string Dir;
  std::string Why;

 private:
  std::filesystem::file_time_type started_;
};

// A PGM image read whole: width, height and one byte a pixel.
struct GreyImage {
  int Width = 0, Height = 0;
  std::vector<unsigned char> Pixels;
  bool Load(const std::string& path);
  unsigned char At(int x, int y) const { return Pixels[static_cast<std::size_t>(y) * Width + x]; }
  // Turned a quarter: a landscape page the print system lays on portrait
  // paper, read the way it was drawn.
  GreyImage Turned() const {
    GreyImage t;
    t.Width = Height;
    t.Height = Width;
    t.Pixels.resize(Pixels.size());
    for (int y = 0; y < Height; ++y)
      for (int x = 0; x < Width; ++x) t.Pixels[static_cast<std::size_t>(x) * t.Width + (Height - 1 - y)] = At(x, y);
    return t;
  }
};

inline bool GreyImage::Load(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  int maxval = 0;
  const bool ok = std::fscanf(f, "P5 %d %d %d", &Width, &Height, &maxval) == 3 && maxval == 255 &&
                  std::fgetc(f) != EOF;
  if (ok) {
    Pixels.resize(static_cast<std::size_t>(Width) * Height);
    const bool read = std::fread(Pixels.data(), 1, Pixels.size(), f) == Pixels.size();
    std::fclose(f);
    return read;
  }
  std::fclose(f);
  return false;
}

}  // namespace vm::test

namespace vm::test {

// The column of the image, between fromX and toX, that holds a dashed
// vertical line: the most dark runs broken by light ones, at least ten of
// them; -1 when there is none.
inline int DashedColumn(const GreyImage& image, int fromX, int toX) {
  int best = -1, bestRuns = 9;
  for (int x = std::max(fromX, 0); x < std::min(toX, image.Width); ++x) {
    int runs = 0;
    bool dark = false;
    for (int y = 0; y < image.Height; ++y) {
      const bool d = image.At(x, y) < 128;
      if (d && !dark) ++runs;
      dark = d;
    }
    if (runs > bestRuns) {
      bestRuns = runs;
      best = x;
    }
  }
  return best;
}

}  // namespace vm::test
