// The library from JScript, late-bound as from VBScript: objects created by
// ProgID, script arrays converted to safe arrays, errors caught.
var key = "Software\\Velmora, Ltd.\\JScriptCheck";
var work = new ActiveXObject("CommonVelmora.Work");
Host.Check(work.SetRegistryValue(key, "Caption", "Quotes") == 0, "SetRegistryValue");
Host.Check(work.ReadRegistryValue(key, "Caption", 0) == "Quotes", "ReadRegistryValue");

var props = new ActiveXObject("CommonVelmora.KZProperties");
props.Add("Depth", 3);
var inner = work.GetKZProperties();
inner.Add("Leaf", "green");
props.Add("Branch", inner);
Host.Check(props.Find("Branch\\Leaf").Value == "green", "Find by path through an inner collection");
Host.Check(props.Clone().Count == 2, "Clone");

try {
  work.SetRegistryValue(key, "Big", 1e12);
  Host.Check(false, "an overflow raises");
} catch (e) {
  Host.Check((e.number & 0xFFFF) == 6 && e.description == "Overflow", "the runtime's error number and text");
}
