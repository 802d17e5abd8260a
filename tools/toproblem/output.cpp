#include "output.h"

#include "fileio/input_error.h"

Output::Output(const std::string& path) {
  if (path == "-") {
    writer_.emplace(fileio::StandardOutput{});
  } else {
    writer_.emplace(path);
  }
  if (!writer_->Open()) throw fileio::SystemError(writer_->error());
}

void Output::comment(std::string_view line) {
  writer_->Text("c ");
  writer_->Text(line);
  writer_->Char('\n');
}

void Output::arc(std::uint64_t tail, std::uint64_t head, int capacity) {
  writer_->Text("a ");
  writer_->Number(std::int64_t(tail));
  writer_->Char(' ');
  writer_->Number(std::int64_t(head));
  if (capacity >= 0) {
    writer_->Char(' ');
    writer_->Number(capacity);
  }
  writer_->Char('\n');
}

void Output::commit() {
  if (!writer_->Commit()) throw fileio::SystemError(writer_->error());
}
