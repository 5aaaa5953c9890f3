// The framework's document: what a single-document window shows, named by
// the path of the file it was opened from.
#pragma once

#include <QString>

class QIODevice;

namespace dalvren {

class CDocument {
 public:
  CDocument();
  virtual ~CDocument();

  // A document is the one copy of what its file holds.
  CDocument(const CDocument&) = delete;
  CDocument& operator=(const CDocument&) = delete;

  // Starts a new, empty document titled "Untitled" with no path. Returns
  // true.
  virtual bool OnNewDocument();

  // The framework's own open step: opens `path` for reading and runs
  // Serialize on it. Refuses, without opening, anything that is not a
  // regular file (a folder, a pipe, a device), since opening a pipe could
  // wait for ever. On failure it shows a stop-icon message naming the file
  // and why it could not be opened, and returns false.
  virtual bool OnOpenDocument(const QString& path);

  // Reads the document from `file`; the base reads nothing.
  virtual void Serialize(QIODevice& file);

  // Handles command `id`; the base handles none.
  virtual bool OnCmdMsg(unsigned id);

  [[nodiscard]] const QString& GetPathName() const { return pathName_; }
  // Sets the path; the title becomes the file's name.
  void SetPathName(const QString& path);
  [[nodiscard]] const QString& GetTitle() const { return title_; }

 private:
  QString pathName_;
  QString title_;
};

}  // namespace dalvren
