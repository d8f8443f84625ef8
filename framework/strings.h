#pragma once
// String lists: TStrings is the abstract list of lines with an object pointer beside each line
// (borrowed, never freed by the list); TStringList keeps them in memory, optionally sorted.

#include <functional>
#include <string>
#include <vector>

#include "framework/events.h"
#include "framework/persistent.h"

namespace tw {

class TStream;

class TStrings : public TPersistent {
public:
  std::string ClassName() const override { return "TStrings"; }

  virtual int Count() const = 0;
  virtual std::string Get(int index) const = 0;
  // Replaces the line at INDEX, keeping its object.
  virtual void Put(int index, const std::string& s);
  // Not GetObject: <windows.h> renames that to GetObjectA in the files that include it.
  virtual TObject* GetObjectAt(int index) const;
  virtual void PutObject(int index, TObject* object);
  TObject* Objects(int index) const { return GetObjectAt(index); }
  void SetObjects(int index, TObject* object) { PutObject(index, object); }

  // Returns the index the line went to.
  virtual int Add(const std::string& s);
  virtual int AddObject(const std::string& s, TObject* object);
  virtual void AddStrings(const TStrings& strings);
  virtual void Insert(int index, const std::string& s) = 0;
  void InsertObject(int index, const std::string& s, TObject* object);
  virtual void Delete(int index) = 0;
  virtual void Clear() = 0;
  virtual void Exchange(int index1, int index2);
  // Moves the line (and its object) at CUR_INDEX to NEW_INDEX.
  void Move(int cur_index, int new_index);

  // The first line equal to S, compared as the list compares (ignoring case by default), or -1.
  virtual int IndexOf(const std::string& s) const;
  int IndexOfObject(const TObject* object) const;

  // Lines of the form name=value.
  int IndexOfName(const std::string& name) const;
  std::string Names(int index) const;
  std::string Values(const std::string& name) const;
  // Sets the value of NAME, adding the line when needed; an empty VALUE removes the line.
  void SetValue(const std::string& name, const std::string& value);

  // Every line followed by CR LF.
  std::string Text() const;
  // Lines broken at CR LF, CR or LF; a final break adds no empty line.
  virtual void SetText(const std::string& text);

  // Between BeginUpdate and the last EndUpdate the list reports changes once, at the end.
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return update_count_; }

  void Assign(const TPersistent& source) override;
  // Same lines in the same order (exact comparison); objects are not compared.
  bool Equals(const TStrings& strings) const;

  // Reads the stream from its position to its end as text.
  virtual void LoadFromStream(TStream& stream);
  virtual void SaveToStream(TStream& stream) const;
  void LoadFromFile(const std::string& file_name);
  void SaveToFile(const std::string& file_name) const;

protected:
  virtual void SetUpdateState(bool updating);
  virtual int CompareStrings(const std::string& s1, const std::string& s2) const;
  [[noreturn]] static void Error(int index);

private:
  int update_count_ = 0;
};

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStringList;
// Negative, zero or positive as the line at INDEX1 sorts before, with, or after INDEX2.
using TStringListSortCompare = std::function<int(TStringList& list, int index1, int index2)>;

class TStringList : public TStrings {
public:
  std::string ClassName() const override { return "TStringList"; }

  int Count() const override { return static_cast<int>(items_.size()); }
  std::string Get(int index) const override;
  void Put(int index, const std::string& s) override;
  TObject* GetObjectAt(int index) const override;
  void PutObject(int index, TObject* object) override;
  int Add(const std::string& s) override;
  // In a sorted list an ignored duplicate keeps its own object.
  int AddObject(const std::string& s, TObject* object) override;
  void Insert(int index, const std::string& s) override;
  void Delete(int index) override;
  void Clear() override;
  void Exchange(int index1, int index2) override;
  int IndexOf(const std::string& s) const override;

  // Binary search of a sorted list: true when S is present; INDEX is where it is (the first
  // of equal lines) or where it would go.
  bool Find(const std::string& s, int& index) const;
  virtual void Sort();
  virtual void CustomSort(const TStringListSortCompare& compare);

  bool Sorted() const { return sorted_; }
  void SetSorted(bool sorted);
  // How Add treats a line already in a sorted list.
  TDuplicates Duplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates duplicates) { duplicates_ = duplicates; }
  bool CaseSensitive() const { return case_sensitive_; }
  void SetCaseSensitive(bool case_sensitive);

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

protected:
  void SetUpdateState(bool updating) override;
  int CompareStrings(const std::string& s1, const std::string& s2) const override;
  virtual void Changed();
  virtual void Changing();

private:
  struct Item {
    std::string text;
    TObject* object = nullptr;
  };
  void CheckIndex(int index) const;
  void InsertItem(int index, const std::string& s, TObject* object);

  std::vector<Item> items_;
  bool sorted_ = false;
  bool case_sensitive_ = false;
  TDuplicates duplicates_ = dupIgnore;
};

}  // namespace tw
