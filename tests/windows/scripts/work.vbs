' The library as the suite's script clients use it: created by ProgID,
' called late-bound, its errors trapped with On Error.
Option Explicit
Const Key = "Software\Velmora, Ltd.\ScriptCheck"
Dim work, code, value, props, prop, list(), table
Set work = CreateObject("CommonVelmora.Work")

Host.Check work.SetRegistryValue(Key, "Caption", "Prices") = 0, "SetRegistryValue"
code = -1
value = work.ReadRegistryValue(Key, "Caption", code)
Host.Check value = "Prices" And code = 0, "ReadRegistryValue with its code by reference"
value = work.ReadRegistryValue(Key, "Missing", code)
Host.Check code = 2, "a missing value's code"
Host.Check Right(work.RegestryString, 1) = "\", "RegestryString ends with a backslash"
table = work.ReadAllValue(Key)
Host.Check UBound(table, 1) = 1 And table(0, 0) = "Caption", "ReadAllValue's table"

work.AppNumber = 1005
Host.Check CreateObject("CommonVelmora.Work").AppNumber = 1005, "AppNumber shared by the thread"
Host.Check work.AppDescription(1020) = "", "AppDescription of a code without text"

Host.Check Not work.CheckArray(list), "CheckArray of a never-dimensioned array"
Host.Check work.CheckArray(Array(1, 2)), "CheckArray of a script array"

Set props = work.GetKZProperties()
Set prop = props.Add("Width", 5)
Host.Check props.Count = 1 And prop.Value = 5 And prop = 5, "a property tree"
Host.Check work.ExecMetod(props, "Add", Array("Height", 7)), "ExecMetod on our object"
Host.Check props.ItemIndex("height") = 2, "ItemIndex ignores letter case"
value = 0
For Each prop In props.PropCollection
  value = value + prop.Value
Next
Host.Check value = 12, "For Each over PropCollection"

On Error Resume Next
work.SetRegistryValue Key, "Big", 1E12
Host.Check Err.Number = 6 And Err.Description = "Overflow", "the runtime's error reaches Err"
Err.Clear
On Error GoTo 0
