"""A plant in a Tk window: drag with the left button to turn it, Shift+drag
to zoom, the middle button to pan, the wheel to zoom; double-click selects.
Escape closes.

    python3 tk_viewer.py pump-station.json
"""

import sys
import tkinter

import kelto3d


class Events:
    def OnSelectionChanged(self, unselected, selected):
        print("SelectionChanged", selected.Id if selected else "-", flush=True)

    def OnViewChanged(self):
        print("ViewChanged", flush=True)


def main(path):
    root = tkinter.Tk()
    root.title("Kelto3D - " + path)
    frame = tkinter.Frame(root, width=800, height=600)
    frame.pack(fill="both", expand=True)
    root.update_idletasks()  # the frame's X window exists from here on

    view = kelto3d.create_control(frame.winfo_id())
    connection = kelto3d.connect(view, Events())
    # The control's display connection is pumped from Tk's own loop.
    root.tk.createfilehandler(view, tkinter.READABLE, lambda *_: view.pump())
    file = kelto3d.Dispatch("Kelto.File")
    file.Load(path)
    view.AddKeltoFile(file)
    view.pump()

    def close(*_):
        root.tk.deletefilehandler(view)
        connection.disconnect()
        kelto3d.release(view)  # the control's window goes before Tk's
        root.destroy()
    root.protocol("WM_DELETE_WINDOW", close)
    root.bind("<Escape>", close)
    root.mainloop()


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "pump-station.json")
