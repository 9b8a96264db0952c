#!/usr/bin/env python3
# Draws the application icon at one size as a PAM picture (RGBA); the PNGs beside
# this script were made with: make_png.py N out.pam && convert out.pam bitloom-N.png
import sys
B = ["XXXXXX..","XX...XX.","XX...XX.","XX..XX..","XXXXX...","XX..XXX.","XX....XX","XX....XX","XX...XXX","XXXXXXX."]
ink=set()
for r,row in enumerate(B):
    for c,ch in enumerate(row):
        if ch=='X': ink.add((4+c,3+r))
def colour(u,v,S):
    # rounded square 0.5..15.5, radius 2.5
    x0,y0,x1,y1,rad=0.5,0.5,15.5,15.5,2.5
    cx=min(max(u,x0+rad),x1-rad); cy=min(max(v,y0+rad),y1-rad)
    d=((u-cx)**2+(v-cy)**2)**0.5
    if u<x0 or u>x1 or v<y0 or v>y1 or d>rad: return (0,0,0,0)
    if d>rad-0.35 or u<x0+0.25 or u>x1-0.25 or v<y0+0.25 or v>y1-0.25: return (15,31,58,255)
    cell=(int(u),int(v))
    if cell in ink: return (255,255,255,255)
    if cell==(12,12): return (240,160,48,255)
    if S>=48:
        fu,fv=u-int(u),v-int(v)
        w=16.0/S
        if (fu<w*0.6 or fv<w*0.6) and 1<=u<=15 and 1<=v<=15: return (53,89,143,255)
    return (31,59,111,255)
S=int(sys.argv[1]); out=sys.argv[2]
data=bytearray()
for y in range(S):
    for x in range(S):
        # 3x3 supersampling at small sizes keeps the edges soft only at the corners
        acc=[0,0,0,0]
        for sy in range(3):
            for sx in range(3):
                c=colour((x+(sx+0.5)/3)*16/S,(y+(sy+0.5)/3)*16/S,S)
                for i in range(4): acc[i]+=c[i]
        data+=bytes(int(a/9+0.5) for a in acc)
with open(out,'wb') as f:
    f.write(b"P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n"%(S,S))
    f.write(data)
