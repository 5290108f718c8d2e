// conf.xml: the reader and writer of everything Tambrel keeps between runs. It holds no
// state of its own; it works on the engine it belongs to.
#ifndef TAMBREL_CONFIGFILE_H
#define TAMBREL_CONFIGFILE_H

class TambrelEngine;

class ConfigFile {
 public:
  explicit ConfigFile(TambrelEngine* engine) : m_engine(engine) {}

  bool Load();  // false stops start-up; the reasons are reported
  bool Save();  // false when the file could not be written (reported)
  void LoadDefaultKeys();
  void DetectNewPlugins();

 private:
  TambrelEngine* m_engine;
};

#endif
