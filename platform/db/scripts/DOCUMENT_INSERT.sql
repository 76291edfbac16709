-- A document as it was built. The author and the time are the database's:
-- the logged-in user, now. Returns the stored row in the list's shape.
with ins as (
    insert into lrg.t_document (c_type, n_key, id_template, c_name, c_html)
    values ( :c_type , :n_key , :id_template , :c_name , :c_html )
    returning *
)
select ins.c_name, ins.d_create, u.c_name as c_creator, ins.id, ins.c_type, ins.n_key, ins.id_template,
       ins.id_creator, ins.c_html, ins.n_row_version
  from ins
  left join sys.t_user u on u.id = ins.id_creator
