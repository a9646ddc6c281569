#include "tools/productzip/ContentGenerator.h"

#include <cstring>

namespace productzip {
namespace {

constexpr uint32_t kBlockSize = 4096;

void Append16(std::string& out, uint32_t value) {
  out += static_cast<char>(value & 0xff);
  out += static_cast<char>((value >> 8) & 0xff);
}
void Append32(std::string& out, uint32_t value) {
  Append16(out, value & 0xffff);
  Append16(out, value >> 16);
}

void AppendRandom(std::string& out, uint32_t count, Random& random) {
  while (count > 0) {
    uint64_t word = random.Next();
    for (int i = 0; i < 8 && count > 0; ++i, --count, word >>= 8) out += static_cast<char>(word & 0xff);
  }
}

// A handful of functions called and addressed again and again, as in a real module.
uint32_t CodeAddress(Random& random) { return 0x00401000u + static_cast<uint32_t>(random.Between(0, 511)) * 0x30u; }
uint8_t FrameOffset(Random& random) { return static_cast<uint8_t>(0x100 - 4 * random.Between(1, 16)); }

// One x86-like instruction sequence: frequent prologues, frame loads and stores, calls and jumps.
void AppendInstruction(std::string& out, Random& random) {
  switch (random.Between(0, 15)) {
    case 0: out += "\x55\x8B\xEC"; break;                                             // push ebp; mov ebp, esp
    case 1: out += "\x83\xEC"; out += static_cast<char>(4 * random.Between(1, 32)); break;  // sub esp, n
    case 2: out += "\x8B\x45"; out += static_cast<char>(FrameOffset(random)); break;       // mov eax, [ebp-n]
    case 3: out += "\x89\x45"; out += static_cast<char>(FrameOffset(random)); break;       // mov [ebp-n], eax
    case 4: out += '\xE8'; Append32(out, static_cast<uint32_t>(random.Next())); break;       // call rel32
    case 5: out += '\x68'; Append32(out, CodeAddress(random)); break;                       // push imm32
    case 6: out += "\x8D\x4D"; out += static_cast<char>(FrameOffset(random)); break;       // lea ecx, [ebp-n]
    case 7: out += "\x85\xC0\x74"; out += static_cast<char>(random.Between(2, 60)); break;  // test eax, eax; jz
    case 8: out += "\x33\xC0"; break;                                                     // xor eax, eax
    case 9: out += "\x5F\x5E\x5B\x8B\xE5\x5D\xC3"; break;                                 // epilogue
    case 10: out += "\x83\x7D"; out += static_cast<char>(FrameOffset(random)); out += static_cast<char>(random.Between(0, 3)); break;
    case 11: out += "\x8B\x0D"; Append32(out, CodeAddress(random) + 0x20000u); break;     // mov ecx, [global]
    case 12: out += "\xFF\x15"; Append32(out, 0x00450000u + 4u * static_cast<uint32_t>(random.Between(0, 63))); break;  // call [import]
    case 13: out += "\x50\x51\x52"; break;                                                // push eax, ecx, edx
    case 14: out += "\x0F\x84"; Append32(out, static_cast<uint32_t>(random.Between(0x10, 0x4000))); break;
    default: out += "\xCC\xCC\xCC\xCC"; break;                                            // padding between functions
  }
}

const char* const kSymbolWords[] = {
    "Get", "Set", "Create", "Open", "Close", "Read", "Write", "Question", "Paper", "Exam", "Score", "Answer",
    "Option", "Window", "Proc", "Message", "Handle", "Module", "File", "Path", "Register", "Update", "Timer",
    "Print", "Report", "Account", "Ledger", "Voucher", "Balance", "Subject", "Chapter", "Section", "Data",
};

const char* const kChineseWords[] = {
    "会计", "从业", "资格", "考试", "题库", "会计基础", "财经法规", "职业道德", "电算化", "借方", "贷方",
    "科目", "凭证", "账簿", "报表", "资产", "负债", "所有者权益", "收入", "费用", "利润", "章节", "练习",
    "模拟", "试卷", "答案", "解析", "单项选择题", "多项选择题", "判断题", "计算分析题", "的", "和", "与",
};

template <size_t N>
const char* Pick(const char* const (&words)[N], Random& random) { return words[random.Next() % N]; }

// Import names, messages and resource strings, zero-separated.
void AppendStrings(std::string& out, uint32_t until, Random& random) {
  while (out.size() < until) {
    if (random.Between(0, 2) == 0) {
      out += Pick(kChineseWords, random);
      out += Pick(kChineseWords, random);
    } else {
      out += Pick(kSymbolWords, random);
      out += Pick(kSymbolWords, random);
      if (random.Between(0, 1)) out += 'A';
    }
    out += '\0';
  }
}

// Tables of addresses and mostly-empty structures.
void AppendTable(std::string& out, uint32_t until, Random& random) {
  while (out.size() + 4 <= until) Append32(out, random.Between(0, 3) == 0 ? CodeAddress(random) : 0);
}

// One 4,096-byte block of a program: code, strings, packed resources or tables.
void AppendProgramBlock(std::string& out, Random& random) {
  const uint32_t until = static_cast<uint32_t>(out.size()) + kBlockSize;
  const uint64_t choice = random.Between(0, 99);
  if (choice < 13) {
    AppendRandom(out, kBlockSize, random);  // compressed resources, packed data
  } else if (choice < 72) {
    while (out.size() < until) AppendInstruction(out, random);
  } else if (choice < 88) {
    AppendStrings(out, until, random);
  } else {
    AppendTable(out, until, random);
  }
  out.resize(until);
}

// A DOS stub and PE headers, as at the start of every module.
void AppendProgramHeader(std::string& out) {
  std::string header(0x400, '\0');
  header[0] = 'M';
  header[1] = 'Z';
  header[0x3C] = static_cast<char>(0x80);
  const char stub[] = "\x0E\x1F\xBA\x0E\x00\xB4\x09\xCD\x21\xB8\x01\x4C\xCD\x21This program cannot be run in DOS mode.\r\r\n$";
  std::memcpy(&header[0x40], stub, sizeof(stub) - 1);
  std::memcpy(&header[0x80], "PE\0\0\x4C\x01\x04\x00", 8);
  std::memcpy(&header[0x178], ".text\0\0\0", 8);
  std::memcpy(&header[0x1A0], ".rdata\0\0", 8);
  std::memcpy(&header[0x1C8], ".data\0\0\0", 8);
  std::memcpy(&header[0x1F0], ".rsrc\0\0\0", 8);
  out += header;
}

// MHTML: headers, then HTML paragraphs of syllabus text with base64 pictures between them.
std::string GenerateSyllabus(uint32_t size, Random& random) {
  std::string out =
      "From: <由 Windows Internet Explorer 8 保存>\r\nSubject: 会计从业资格考试大纲\r\nMIME-Version: 1.0\r\n"
      "Content-Type: multipart/related;\r\n\ttype=\"text/html\";\r\n\tboundary=\"----=_NextPart_000_0000_01D0A1B2.3C4D5E60\"\r\n\r\n"
      "------=_NextPart_000_0000_01D0A1B2.3C4D5E60\r\nContent-Type: text/html;\r\n\tcharset=\"gb2312\"\r\n"
      "Content-Transfer-Encoding: 8bit\r\n\r\n<HTML><HEAD><TITLE>考试大纲</TITLE></HEAD><BODY>\r\n";
  static const char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  while (out.size() < size) {
    if (random.Between(0, 7) == 0) {
      out += "\r\n------=_NextPart_000_0000_01D0A1B2.3C4D5E60\r\nContent-Type: image/jpeg\r\nContent-Transfer-Encoding: base64\r\n\r\n";
      for (uint64_t line = random.Between(20, 200); line > 0; --line) {
        for (int i = 0; i < 76; ++i) out += kBase64[random.Next() & 63];
        out += "\r\n";
      }
    } else {
      out += "<P class=MsoNormal><SPAN style=\"FONT-FAMILY: 宋体; FONT-SIZE: 10.5pt\">";
      for (uint64_t words = random.Between(20, 120); words > 0; --words) out += Pick(kChineseWords, random);
      out += "。</SPAN></P>\r\n";
    }
  }
  out.resize(size);
  return out;
}

// Jet database pages: a header page, then pages with a few rows each and much empty space.
std::string GenerateDatabase(uint32_t size, Random& random) {
  std::string out(size, '\0');
  const char jet[] = "\x00\x01\x00\x00Standard Jet DB";
  std::memcpy(out.data(), jet, std::min<size_t>(sizeof(jet) - 1, size));
  for (uint32_t page = kBlockSize; page + kBlockSize <= size; page += kBlockSize) {
    out[page] = 0x01;
    std::string rows;
    for (uint64_t row = random.Between(0, 6); row > 0; --row) {
      Append32(rows, static_cast<uint32_t>(random.Between(1, 5000)));
      rows += Pick(kChineseWords, random);
      rows += Pick(kChineseWords, random);
      if (random.Between(0, 3) == 0) AppendRandom(rows, 24, random);
    }
    const size_t room = kBlockSize - 16;
    std::memcpy(&out[page + kBlockSize - std::min(rows.size(), room)], rows.data(), std::min(rows.size(), room));
  }
  return out;
}

std::string GeneratePacked(const char* signature, size_t signatureLength, uint32_t size, Random& random) {
  std::string out(signature, signatureLength);
  AppendRandom(out, size > signatureLength ? size - static_cast<uint32_t>(signatureLength) : 0, random);
  out.resize(size);
  return out;
}

}  // namespace

void PadLikeProgram(std::string& text, uint32_t size, Random& random) {
  while (text.size() < size) AppendProgramBlock(text, random);
  text.resize(size);
}

std::string GenerateContent(ContentKind kind, uint32_t size, Random& random) {
  switch (kind) {
    case ContentKind::kProgram: {
      std::string out;
      AppendProgramHeader(out);
      PadLikeProgram(out, size, random);
      return out;
    }
    case ContentKind::kSyllabus: return GenerateSyllabus(size, random);
    case ContentKind::kDatabase: return GenerateDatabase(size, random);
    case ContentKind::kRar: return GeneratePacked("Rar!\x1A\x07\x00", 7, size, random);
    case ContentKind::kZip: return GeneratePacked("PK\x03\x04\x14\x00\x00\x00\x08\x00", 10, size, random);
    case ContentKind::kText: break;
  }
  return std::string(size, ' ');
}

}  // namespace productzip
