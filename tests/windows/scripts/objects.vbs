' Objects through the library from VBScript: property trees built, searched,
' cloned and persisted; members of any object called by name; a grid
' created by its ProgID and handed to the grid services.
Option Explicit
Dim work, never()
Set work = CreateObject("CommonVelmora.Work")
work.LogFileName = "ScriptCheck"

Function Tree()
  Dim props, inner
  Set props = CreateObject("CommonVelmora.KZProperties")
  Set inner = work.GetKZProperties()
  inner.Add "Leaf", "green"
  props.Add "Width", 5
  props.Add "Branch", inner
  props.Add "Locked", "yes", True
  Set Tree = props
End Function

Sub PropertyTrees()
  Dim props, prop, copy, total
  Set props = Tree()
  Host.Check props.Count = 3 And props.NewItem.Name = "Locked", "Add and NewItem"
  Host.Check props.Find("Branch\Leaf").Value = "green", "Find by path through an inner collection"
  Host.Check props.FindEx("2/1", "/").Value = "green", "FindEx by positions"
  Host.Check props.Find("Branch\None") Is Nothing, "Find of a missing path"
  Host.Check props.ItemIndex("WIDTH") = 1 And props.ItemIndex("") = -1, "ItemIndex ignores case"
  Set prop = props.Properties("Branch")
  Host.Check prop.IsParent And prop.Value.Parent Is prop And _
             props.Properties("branch") Is prop, _
             "an inner collection's parent is its property, the one object each time"
  props.Properties("Locked").Value = "no"
  Host.Check props.Properties("Locked").Value = "yes", "a read-only property keeps its value"
  Host.Check props.Add("width", 6).Value = 6 And props.Count = 3, "Add of a known name sets it"
  Host.Check props.MoveUp(3) = 2 And props.ItemIndex("Locked") = 2, "MoveUp"
  Host.Check props.MoveDown(2) = 3 And props.MoveDown(0) = -1, "MoveDown"
  total = 0
  For Each prop In props.PropCollection
    If Not prop.IsParent Then total = total + prop.ValueType
  Next
  Host.Check total = 5, "For Each over PropCollection"
  Set copy = props.Clone()
  copy.Find("Branch\Leaf").Value = "red"
  Host.Check copy.Count = 3 And props.Find("Branch\Leaf").Value = "green", "Clone is deep"
  Host.Check props.Remove("Width") And props.LastRemovedName = "Width" And _
             Not props.Remove("Width"), "Remove and LastRemovedName"
  props.Clear
  Host.Check props.Count = 0 And props.LastRemovedName = "Width", "Clear"

  Set prop = work.GetKZProperty()
  prop.Name = "First"
  prop.Name = "Second"
  prop.Value = 2.5
  Host.Check prop.Name = "First" And prop = 2.5 And prop.ValueType = 2, "a single property"
  prop.ReadOnly = True
  prop.ReadOnly = False
  Host.Check prop.ReadOnly, "ReadOnly stays set"
  Set prop = CreateObject("CommonVelmora.KZProperty")
  prop.Name = "Made"
  Host.Check prop.Name = "Made", "a single property created by its ProgID"
End Sub

' A tree persisted to bytes and back, as a client stores it.
Sub Persistence()
  Dim props, bytes, back, none
  Set props = Tree()
  bytes = work.GetObjectData(props)
  Host.Check VarType(bytes) = vbArray + vbByte, "GetObjectData gives bytes"
  Set back = work.GetDataObject(bytes)
  Host.Check back.Count = 3 And back.Find("Branch\Leaf").Value = "green" And _
             back.Properties("Locked").ReadOnly, "GetDataObject restores the tree"
  Host.Check IsNull(work.GetObjectData(work)), "an object that cannot be persisted gives Null"
  ' Pictures: none to convert gives no data, and no data no picture. Each
  ' pair reads only its own bytes.
  Host.Check IsEmpty(work.GetImageData(Nothing)), "GetImageData of nothing"
  Host.Check work.GetDataImage(bytes) Is Nothing, "GetDataImage of bytes that are no picture"
  none = work.GetArrayByPicture(Nothing)
  Host.Check VarType(none) = vbArray + vbByte, "GetArrayByPicture of nothing: an empty bag"
  Host.Check work.GetPictureByArray(none) Is Nothing, "GetPictureByArray of the empty bag"
  Host.Check work.GetDataObject(none) Is Nothing, "GetDataObject of another pair's bytes"
  On Error Resume Next
  Set back = work.GetDataObject(Array(1, 2))
  Host.Check Err.Number = 13, "a variant array is no byte array: type mismatch"
  On Error GoTo 0
End Sub

' Members of our objects and of a foreign one, called by name.
Sub LateBound()
  Dim props, result, found, dict, long
  Set props = Tree()
  Host.Check work.ExecMetod(props, "Add", Array("Height", 7)), "ExecMetod with a script array"
  Host.Check props.Count = 4, "ExecMetod added the item"
  ' In parentheses the object is passed by value: the caller's reference stays.
  Host.Check work.ExecMetod((props), "Remove", Array("Height")) And props.Count = 3, _
             "ExecMetod on an object passed by value"
  props.Add "Height", 7
  result = Empty
  Host.Check work.ExecMetodLet(props, "MoveUp", result, Array(4)) And result = 3, "ExecMetodLet"
  Set found = Nothing
  Host.Check work.ExecMetodSet(props, "Clone", found, never) And found.Count = 4, "ExecMetodSet"
  result = Empty
  Host.Check work.ReturnProperty(props, "Count", result, never) And result = 4, "ReturnProperty"
  Host.Check work.ReturnPropertyObj(props, "Properties", found, Array("Width")) And _
             found.Value = 5, "ReturnPropertyObj with an argument"
  Host.Check work.ExecProperty(found, "Value", 9, never) And found.Value = 9, "ExecProperty"
  Host.Check work.ExecProperty(found, "Value", props, never) And found.Value Is props, _
             "ExecProperty of an object assigns the reference"
  Set found = Nothing
  Host.Check Not work.ReturnPropertyObj(props, "Count", found, never) And found Is Nothing, _
             "ReturnPropertyObj of a number fails and leaves the reference"

  ' Failures are logged, not raised.
  Host.Check Not work.ExecMetod(props, "Nope", never), "ExecMetod of an unknown method"
  Host.Check Not work.ExecMetod(props, "Add", Host.List(1, "X", 1)), "a list from 1 fails"
  long = Array(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11)
  result = "kept"
  Host.Check work.ExecMetodLet(props, "Add", result, long) And result = "kept", _
             "twelve arguments are refused, not passed"

  Set dict = CreateObject("Scripting.Dictionary")
  Host.Check work.ExecMetod(dict, "Add", Array("k", 3)), "ExecMetod on a foreign object"
  Host.Check work.ReturnProperty(dict, "Item", result, Array("k")) And result = 3, _
             "ReturnProperty on a foreign object, with an argument"
End Sub

' The grid services on a grid created by its ProgID.
Sub Grids()
  Dim grid, price, saved, none
  Set grid = CreateObject("CommonVelmora.ReferenceGrid")
  grid.AddColumn "Name", "Full name"
  Set price = grid.AddColumn("Price", "Unit price")
  price.Width = 900
  price.Format = "0.00"
  price.SortType = 2
  grid.AddRow "Ann", 1.5
  grid.AddRow "Bob", 12
  Host.Check grid.Columns("PRICE") Is price And grid.Columns(2) Is grid.Columns("Price"), _
             "a column found twice is the one object"

  work.ChangeSorting 1, grid, price
  Host.Check grid.SortKeys.Count = 1 And grid.SortKeys(1).SortOrder = 1, "ChangeSorting adds a key"
  work.ChangeSorting -1, grid, price
  Host.Check grid.SortKeys.Count = 1 And grid.SortKeys(1).SortOrder = -1, "and changes it in place"

  saved = grid.Description
  work.SaveGridSetting grid, "ScriptCheck\Grid"
  price.ColPosition = 1
  price.Width = 500
  price.Caption = "Cost"
  work.ChangeSorting 0, grid, price
  Host.Check grid.SortKeys.Count = 0, "ChangeSorting 0 removes the key"
  work.RestoreGridSetting grid, "ScriptCheck\Grid"
  Host.Check grid.Description = saved, "RestoreGridSetting brings the saved layout back"
  work.RestoreGridSetting grid, "ScriptCheck\NeverSaved"
  Host.Check grid.Description = saved, "a layout never saved changes nothing"

  Host.Check work.GridToClip(grid, True), "GridToClip"
  Host.Check price.Format = "0.00", "GridToClip puts the format back"
  Set none = Nothing
  Host.Check Not work.GridToClip(none, True), "GridToClip without a grid"
End Sub

PropertyTrees
Persistence
LateBound
Grids
