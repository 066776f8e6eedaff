' The library as the suite's script clients use it: created by ProgID,
' called late-bound, its errors trapped with On Error. The registry keys and
' the log file it leaves are checked from outside afterwards (CMakeLists).
Option Explicit
Const Key = "Software\Velmora, Ltd.\ScriptCheck"
Dim work
Set work = CreateObject("CommonVelmora.Work")

Sub RegistryValues()
  Dim code, value
  Host.Check work.SetRegistryValue(Key, "Caption", "Prices") = 0, "SetRegistryValue"
  code = -1
  value = work.ReadRegistryValue(Key, "Caption", code)
  Host.Check value = "Prices" And code = 0, "ReadRegistryValue with its code by reference"
  value = work.ReadRegistryValue(Key, "Missing", code)
  Host.Check value = "" And code = 2, "a missing value without a default: its code"
  value = work.ReadRegistryValue(Key, "Width", code, 25)
  Host.Check value = 25 And code = 0, "a missing value with a default returns the default"
  value = work.ReadRegistryValue(Key, "Width", code)
  Host.Check VarType(value) = vbDouble And value = 25, "the stored default reads back as a number"
  Host.Check work.SetRegistryValue(Key, "Minus", -1) = 0, "a negative number is stored"
  Host.Check work.SetRegistryValue(Key, "Empty", "") = 0, "an empty text is stored"
  Host.Check work.ReadRegistryValue(Key, "Empty", code) = "" And code = 0, "the empty text reads back"
  Host.Check work.SetRegistryValue(Key, "Doomed", "x") = 0 And _
             work.DeleteRegistryValue(Key, "Doomed") = 0 And _
             work.DeleteRegistryValue(Key, "Doomed") = 2, "DeleteRegistryValue, then its code 2"
  Host.Check work.SetRegistryValue(Key & "\Gone", "A", 1) = 0 And _
             work.DeleteRegistryKey(Key & "\Gone") = 0 And _
             work.DeleteRegistryKey(Key & "\Gone") = 2, "DeleteRegistryKey, then its code 2"
  Host.Check work.RegestryString = "Software\Velmora, Ltd.\", "RegestryString"
End Sub

Sub WholeKeys()
  Dim table, one, code
  table = work.ReadAllValue(Key)
  Host.Check UBound(table, 1) = 1 And UBound(table, 2) = 3, "ReadAllValue: a column per value"
  Host.Check table(0, 0) = "Caption" And table(1, 0) = "Prices", "ReadAllValue: name and data"
  Host.Check work.SetAllValue(Key & "\Copy", table) = 0, "SetAllValue of another key's table"
  Host.Check work.ReadRegistryValue(Key & "\Copy", "Width", code) = 25, "the copy holds the numbers"
  Host.Check IsEmpty(work.ReadAllValue(Key & "\Nothing")), "ReadAllValue of a new key is empty"
  ReDim one(1, 0)
  one(0, 0) = "Added"
  one(1, 0) = "x"
  Host.Check work.SetAllValue(Key & "\Copy", one) = 0, "SetAllValue of a script's own table"
  Host.Check UBound(work.ReadAllValue(Key & "\Copy"), 2) = 4, "the value is added to the copy"
End Sub

Sub ApplicationAndTexts()
  Dim other
  work.AppNumber = 1005
  Set other = CreateObject("CommonVelmora.Work")
  Host.Check other.AppNumber = 1005, "AppNumber shared by the objects of the thread"
  work.AppNumber = -7
  Host.Check other.AppNumber = -7, "AppNumber takes any number"
  Host.Check work.AppDescription(1000) <> "" And work.AppDescription(1020) = "" And _
             work.AppDescription(0) = "", "AppDescription: known and unknown codes"
  Host.Check work.GetStringDescription("Value %0 of %1", Array(5, 7)) = "Value 5 of 7", _
             "GetStringDescription fills the placeholders from a script array"
  Host.Check work.GetStringDescription("%0 and %0", "x") = "x and %0", "one value fills one place"
  Host.Check work.GetStringDescription("left %0") = "left %0", "no arguments: the text unchanged"
End Sub

' Log files of the day in the profile: the folder and name rules, both writers.
Sub LogFiles()
  Dim path, fso, today
  work.LogFileName = "ScriptCheck"
  path = work.LogFileName
  today = Year(Date) & "_" & Right("0" & Month(Date), 2) & "_" & Right("0" & Day(Date), 2)
  Host.Check Right(path, 25) = "ScriptCheck" & today & ".log" And InStr(path, "\LogFiles\") > 0, _
             "LogFileName: prefix, date and folder"
  Host.Check work.GetLogFileNameByDate(DateSerial(2024, 3, 7) + TimeSerial(23, 59, 0)) = _
             Replace(path, today, "2024_03_07"), "GetLogFileNameByDate of a day's last minute"
  Host.Check work.GetLogFileNameByDate(Empty) = path, "GetLogFileNameByDate of Empty is today"
  Host.Check work.StoreMessageToLog("first entry"), "StoreMessageToLog"
  Set fso = CreateObject("Scripting.FileSystemObject")
  Host.Check fso.FileExists(path), "the log file exists"
  ' Capped: the entry that finds the file too big starts it again.
  work.MaxLogFile = 10
  Host.Check work.StoreErrorToLog(-5, "Timeout"), "StoreErrorToLog"
  Host.Check InStr(fso.OpenTextFile(path).ReadAll, "first entry") = 0, "the capped file started anew"
  work.MaxLogFile = 0
  Host.Check work.StoreMessageToLog("two" & vbCrLf & "lines"), "an entry of two lines"
End Sub

Sub FileUtilities()
  Dim fso, folder
  Set fso = CreateObject("Scripting.FileSystemObject")
  folder = fso.GetSpecialFolder(2) & "\script_files"
  If Not fso.FolderExists(folder) Then fso.CreateFolder folder
  fso.CreateTextFile(folder & "\a.dat").Write "a"
  fso.CreateTextFile(folder & "\b.dat").Write "b"
  Host.Check work.CheckExistsFile(folder & "\*.dat"), "CheckExistsFile with a pattern"
  Host.Check Not work.CheckExistsFile(folder), "a folder is no file"
  Host.Check Not work.CheckExistsFile(""), "CheckExistsFile of an empty name"
  Host.Check work.DeleteFile(folder & "\?.dat") And Not fso.FileExists(folder & "\b.dat"), _
             "DeleteFile deletes every match"
  Host.Check Not work.DeleteFile(folder & "\*.dat"), "DeleteFile of no match"
End Sub

Sub Arrays()
  Dim never(), list
  Host.Check Not work.CheckArray(never), "CheckArray of a never-dimensioned array"
  Host.Check work.CheckArray(Array(0)), "CheckArray of upper bound 0"
  Host.Check Not work.CheckArray(Array()), "CheckArray of upper bound -1"
  list = Host.List(1, "a", "b")
  Host.Check LBound(list) = 1 And UBound(list) = 2, "the host's list from 1"
  Host.Check work.CheckArray(list), "CheckArray of a list from 1"
End Sub

' The three windows cannot be shown without a display: each returns at
' once, changes nothing and raises nothing.
Sub Windows()
  Dim grid, column, helpFile, context, parent
  Set grid = CreateObject("CommonVelmora.ReferenceGrid")
  Set column = grid.AddColumn("Price", "Unit price")
  work.ChangeColumnCaption column
  Host.Check column.Caption = "Unit price", "ChangeColumnCaption changes nothing"
  work.SetGridColumnsVisible grid, Key
  work.SetGridColumnsVisible grid
  Host.Check column.Visible, "SetGridColumnsVisible changes nothing"
  helpFile = "help.chm"
  context = 12
  parent = 0
  Host.Check work.MsgActivate("Prices are stale", 0, 3, 2, Nothing, helpFile, context, parent) = 0 _
             And helpFile = "help.chm" And context = 12, "MsgActivate with every argument"
  Host.Check work.MsgActivate("Prices are stale") = 0, "MsgActivate with its defaults"
End Sub

Sub Errors()
  On Error Resume Next
  work.SetRegistryValue Key, "Big", 1E12
  Host.Check Err.Number = 6 And Err.Description = "Overflow", "the runtime's error reaches Err"
  Err.Clear
  work.SetRegistryValue Key, "List", Array(1)
  Host.Check Err.Number = 13, "an array cannot be stored: type mismatch"
  Err.Clear
  work.SaveGridSetting Nothing, "ScriptCheck\NoGrid"
  Host.Check Err.Number = 91, "SaveGridSetting without a grid: object not set"
  Err.Clear
  work.NoSuchMember
  Host.Check Err.Number = 438, "an unknown member"
  Err.Clear
  On Error GoTo 0
End Sub

RegistryValues
WholeKeys
ApplicationAndTexts
LogFiles
FileUtilities
Arrays
Windows
Errors
