#pragma once

#include <filesystem>
#include <string>

// A pseudo-terminal in raw mode, standing in for the cable: the program opens
// the slave side as its serial port, and the test plays the unit on the
// master side.
class PtyPair {
 public:
  PtyPair();
  ~PtyPair();
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  int Master() const { return master_; }
  int Slave() const { return slave_; }
  const std::string& SlaveName() const { return slave_name_; }

  // Makes `link` (say <program dir>/ports/com1) another name of the slave.
  void LinkAs(const std::filesystem::path& link) const;
  // Writes every byte to the master side, or throws.
  void Write(const std::string& bytes) const;
  // Closes both sides, as a cable pulled out would.
  void Hangup();
  // Closes the unit's side only: the port sees a hang-up.
  void CloseMaster();

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string slave_name_;
};
