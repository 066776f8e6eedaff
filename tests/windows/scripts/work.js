// The library from JScript, late-bound as from VBScript: objects created by
// ProgID, arrays from the host or from the library, errors caught.
var key = "Software\\Velmora, Ltd.\\JScriptCheck";
var work = new ActiveXObject("CommonVelmora.Work");
Host.Check(work.SetRegistryValue(key, "Caption", "Quotes") == 0, "SetRegistryValue");
Host.Check(work.SetRegistryValue(key, "Count", 12) == 0, "SetRegistryValue of a number");
Host.Check(work.ReadRegistryValue(key, "Caption", 0) == "Quotes", "ReadRegistryValue");
// A safe array stays one in a script variable: the table is handed back.
var table = work.ReadAllValue(key);
Host.Check(new VBArray(table).ubound(2) == 1, "ReadAllValue's table, read through VBArray");
Host.Check(work.SetAllValue(key + "\\Copy", table) == 0, "SetAllValue of that table");
Host.Check(work.ReadRegistryValue(key + "\\Copy", "Count", 0) === 12, "the copy's number");

var props = new ActiveXObject("CommonVelmora.KZProperties");
props.Add("Depth", 3);
var inner = work.GetKZProperties();
inner.Add("Leaf", "green");
props.Add("Branch", inner);
Host.Check(props.Find("Branch\\Leaf").Value == "green", "Find by path through an inner collection");
Host.Check(props.Clone().Count == 2, "Clone");
Host.Check(work.ExecMetod(props, "Add", Host.List(0, "Height", 7)) && props.Count == 3,
           "ExecMetod with the host's list");
Host.Check(work.CheckArray(Host.List(1, "a")) && !work.CheckArray(Host.List(0)),
           "CheckArray of lists from 1 and of an empty one");
Host.Check(work.GetStringDescription("%0-%1", Host.List(0, "a", "b")) == "a-b",
           "GetStringDescription with a list");

var grid = new ActiveXObject("CommonVelmora.ReferenceGrid");
var column = grid.AddColumn("Qty");
grid.AddRow(4);
work.ChangeSorting(1, grid, column);
Host.Check(grid.SortKeys.Count == 1, "ChangeSorting on a grid made by ProgID");
Host.Check(work.GridToClip(grid, false), "GridToClip");

try {
  work.SetRegistryValue(key, "Big", 1e12);
  Host.Check(false, "an overflow raises");
} catch (e) {
  Host.Check((e.number & 0xFFFF) == 6 && e.description == "Overflow", "the runtime's error number and text");
}
try {
  work.SetRegistryValue(key, "Grid", grid);
  Host.Check(false, "storing an object raises");
} catch (e) {
  Host.Check((e.number & 0xFFFF) == 13, "an object cannot be stored: type mismatch");
}
