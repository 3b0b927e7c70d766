// An ActionScript 3 test movie: shows its FlashVar firstIndex and sends it
// back with fscommand("as3", "firstIndex=<value>"), so that tests see that
// such books open and command.
import flash.display.Sprite;
import flash.text.TextField;
import flash.text.TextFormat;

class FlashVarsCommand extends Sprite {
  static function main() {
    flash.Lib.current.addChild(new FlashVarsCommand());
  }

  function new() {
    super();
    var params:Dynamic = flash.Lib.current.loaderInfo.parameters;
    var index:String = params.firstIndex == null ? "" : Std.string(params.firstIndex);
    var field = new TextField();
    field.defaultTextFormat = new TextFormat("_sans", 28, 0x202060);
    field.width = 600;
    field.height = 80;
    field.x = 40;
    field.y = 40;
    field.text = "ActionScript 3 · firstIndex = " + index;
    addChild(field);
    flash.Lib.fscommand("as3", "firstIndex=" + index);
  }
}
